<?xml version="1.0" encoding="ISO-8859-1" ?>
<Dialog>
	<Title>
	Business Letter
	</Title>
	<WTemplate>
	COMMON_APPDATA_TAVIX_EXAMPLES\Business Letter
	</WTemplate>
	<Field>
		<ID>
		Recipient
		</ID>
		<Question>
		Recipient (name and postal address)
		</Question>
		<Default xml:space="preserve"/>
		<MaxChar>
		300
		</MaxChar>
		<MaxRow>
		6
		</MaxRow>
		<Checks>
			<Type>
			Memo
			</Type>
		</Checks>
		<Help>
		One line per address line: name, company if any, street and number, town and postcode, country for letters abroad.
		</Help>
	</Field>
	<Field>
		<ID>
		Reference
		</ID>
		<Question>
		Your reference
		</Question>
		<Default/>
		<MaxChar>
		40
		</MaxChar>
		<Checks>
			<Type>
			String
			</Type>
		</Checks>
		<Help/>
	</Field>
	<Field>
		<ID>
		LetterDate
		</ID>
		<Question>
		Date of the letter
		</Question>
		<Default>
		Today
		</Default>
		<MaxChar>
		30
		</MaxChar>
		<Checks>
			<Type>
			Datum
			</Type>
			<Minimum>
			36526
			</Minimum>
			<Format>
			mmmm d, yyyy
			</Format>
		</Checks>
		<Help>
		&quot;Today&quot; is replaced by the current date when the template is opened.
		</Help>
	</Field>
	<Field>
		<ID>
		Subject
		</ID>
		<Question>
		Subject
		</Question>
		<Default/>
		<MaxChar>
		100
		</MaxChar>
		<Checks>
			<Type>
			String
			</Type>
		</Checks>
		<Help>
		A short subject line; it is printed in bold above the salutation.
		</Help>
	</Field>
	<Field>
		<ID>
		Salutation
		</ID>
		<Question>
		Salutation
		</Question>
		<Default>
		Dear Sir or Madam,
		</Default>
		<MaxChar>
		60
		</MaxChar>
		<Checks>
			<Type>
			String
			</Type>
			<VList>
				<V>
				Dear Sir or Madam,
				</V>
				<V>
				Dear Ms
				</V>
				<V>
				Dear Mr
				</V>
				<V>
				Dear Colleagues,
				</V>
			</VList>
		</Checks>
		<Help/>
	</Field>
	<Field>
		<ID>
		Body
		</ID>
		<Question>
		Text of the letter
		</Question>
		<Default xml:space="preserve">Thank you for your letter.

</Default>
		<MaxChar>
		4000
		</MaxChar>
		<MaxRow>
		12
		</MaxRow>
		<Checks>
			<Type>
			Memo
			</Type>
		</Checks>
		<Help>
		Write the letter as usual; blank lines separate paragraphs.
		</Help>
	</Field>
	<Field>
		<ID>
		Closing
		</ID>
		<Question>
		Complimentary close
		</Question>
		<Default>
		Kind regards
		</Default>
		<MaxChar>
		40
		</MaxChar>
		<Checks>
			<Type>
			Auswahl
			</Type>
			<VList>
				<V>
				Kind regards
				</V>
				<V>
				Yours sincerely
				</V>
				<V>
				Yours faithfully
				</V>
				<V>
				Best wishes
				</V>
			</VList>
		</Checks>
		<Help/>
	</Field>
	<Field>
		<ID>
		Sender
		</ID>
		<Question>
		Your name
		</Question>
		<Default/>
		<MaxChar>
		60
		</MaxChar>
		<Checks>
			<Type>
			String
			</Type>
		</Checks>
		<Help/>
	</Field>
	<Field>
		<ID>
		Enclosures
		</ID>
		<Question>
		Number of enclosures
		</Question>
		<Default>
		0
		</Default>
		<MaxChar>
		2
		</MaxChar>
		<Checks>
			<Type>
			Integer
			</Type>
			<Minimum>
			0
			</Minimum>
			<Maximum>
			20
			</Maximum>
		</Checks>
		<Help>
		0 leaves out the line &quot;Enclosures&quot;.
		</Help>
	</Field>
</Dialog>
